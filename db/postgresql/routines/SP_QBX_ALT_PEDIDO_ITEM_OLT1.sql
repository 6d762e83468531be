-- Changes an item; the same effect as the embedded procedure of this name.
CREATE FUNCTION SP_QBX_ALT_PEDIDO_ITEM_OLT1(in_item numeric, in_embarque timestamp, in_peca numeric,
                                            in_pedido numeric, in_quantidade numeric, in_empresa numeric,
                                            in_usuario numeric)
    RETURNS TABLE ("RETORNO" integer, "MSG_RET" text, "PEDIDO_ID" integer) LANGUAGE plpgsql AS $$
DECLARE
    v_item integer := Infra_Inteiro(in_item);
    v_peca integer := Infra_Inteiro(in_peca);
    v_pedido integer := Infra_Inteiro(in_pedido);
    v_quantidade integer := Infra_Inteiro(in_quantidade);
    v_empresa integer := Infra_Inteiro(in_empresa);
    v_usuario integer := Infra_Inteiro(in_usuario);
BEGIN
    UPDATE PEDIDO_ITEM
       SET DATA_EMBARQUE = in_embarque, PECA_ID = v_peca, PEDIDO_ID = v_pedido, QTDE_PEDIDA = v_quantidade,
           TAB_STATUS_ID = 509
     WHERE PEDIDO_ITEM_ID = v_item;
    INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
    VALUES (260, 2, COALESCE(v_usuario, 0), COALESCE(v_item, 0), getdate());
    RETURN QUERY SELECT 0, ''::text, v_pedido;
END
$$;
